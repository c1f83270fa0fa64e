#pragma once

#include <QString>

// The texts of a record that a translation file can replace.
class ILocalizable
{
public:
    virtual ~ILocalizable() = default;

    virtual QString string() const = 0;
    virtual QString title() const = 0;
    virtual QString desc() const = 0;
    virtual void setString(const QString &text) = 0;
    virtual void setTitle(const QString &text) = 0;
    virtual void setDesc(const QString &text) = 0;

protected:
    ILocalizable() = default;
    ILocalizable(const ILocalizable &) = default;
    ILocalizable &operator=(const ILocalizable &) = default;
};
