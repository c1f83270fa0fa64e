#include "acquisition/usb/osprovider.h"

#include "acquisition/usb/linux.h"

#include <memory>

OS &OSProvider::os()
{
    static const std::unique_ptr<OS> instance = std::make_unique<LINUX>();
    return *instance;
}
