#pragma once

// The CUPS library as the CUPS class loads it, shared by the files that implement the class.

#include "cups/cups.h"

#include <cstddef>
#include <ctime>
#include <dlfcn.h>
#include <memory>
#include <sys/types.h>
#include <type_traits>

namespace cupsipp {

// The library's types are opaque here; only cups_job_t is read, part of its stable public
// interface.
struct CupsJobRecord
{
    int id;
    char *dest;
    char *title;
    char *user;
    char *format;
    int state;
    int size;
    int priority;
    time_t completedTime;
    time_t creationTime;
    time_t processingTime;
};

// IPP values the requests share.
inline constexpr int kOperationCupsGetPrinters = 0x4002;
inline constexpr int kTagOperation = 0x01;
inline constexpr int kTagPrinter = 0x04;
inline constexpr int kTagName = 0x42;
inline constexpr int kTagKeyword = 0x44;
inline constexpr int kTagUri = 0x45;
inline constexpr int kTagCharset = 0x47;
inline constexpr int kTagLanguage = 0x48;
// Above successful-ok-conflicting-attributes the request failed.
inline constexpr int kLastSuccessStatus = 0x0002;
// client-error-not-found: the server has no queues at all, or not the one asked for.
inline constexpr int kStatusNotFound = 0x0406;
// What the library sets when it could not connect.
inline constexpr int kStatusServiceUnavailable = 0x0502;
inline constexpr int kTagJob = 0x02;
inline constexpr int kTagInteger = 0x21;
inline constexpr int kTagEnum = 0x23;

using GetJobsFn = int (*)(CupsJobRecord **, const char *, int, int);
using FreeJobsFn = void (*)(int, CupsJobRecord *);
using DoFileRequestFn = void *(*)(void *, void *, const char *, const char *);
using LangEncodingFn = const char *(*)(void *);
using LangGetFn = void *(*)(const char *);
using IppNewFn = void *(*)();
using IppAddStringFn = void *(*)(void *, int, int, const char *, const char *, const char *);
using IppAddStringsFn
        = void *(*)(void *, int, int, const char *, int, const char *, const char *const *);
using IppDeleteFn = void (*)(void *);
using IppSetIntFn = int (*)(void *, int);
using IppAttributeFn = void *(*)(void *);
using IppGetNameFn = const char *(*)(void *);
using IppGetTagFn = int (*)(void *);
using IppGetStringFn = const char *(*)(void *, int, const char **);
using IppGetStatusCodeFn = int (*)(void *);
using IppNewRequestFn = void *(*)(int);
using IppAddIntegerFn = void *(*)(void *, int, int, const char *, int);
using IppGetIntegerFn = int (*)(void *, int);
using DoRequestFn = void *(*)(void *, void *, const char *);
using UserFn = const char *(*)();
using PortFn = int (*)();
using HttpIsEncryptedFn = int (*)(void *);
using LastErrorStringFn = const char *(*)();
using LastErrorFn = int (*)();
using GetPpd3Fn = int (*)(void *, const char *, time_t *, char *, size_t);
using IppFindAttributeFn = void *(*)(void *, const char *, int);
using IppGetCountFn = int (*)(void *);
using IppGetBooleanFn = int (*)(void *, int);
using HttpConnect2Fn = void *(*)(const char *, int, void *, int, int, int, int, int *);
using HttpCloseFn = void (*)(void *);
using HttpTimeoutCallback = int (*)(void *, void *);
using HttpSetTimeoutFn = void (*)(void *, double, HttpTimeoutCallback, void *);
using GetFdFn = int (*)(void *, const char *, int);
using SendRequestFn = int (*)(void *, void *, const char *, size_t);
using HttpUpdateFn = int (*)(void *);
using HttpRead2Fn = ssize_t (*)(void *, char *, size_t);
using HttpGetLength2Fn = off_t (*)(void *);
using IppLengthFn = size_t (*)(void *);
using IppReadCallback = ssize_t (*)(void *, unsigned char *, size_t);
using IppReadIOFn = int (*)(void *, IppReadCallback, int, void *, void *);

// A server that does not answer is logged once per outage, whichever thread or object asks.
bool isFirstFailure();
void noteAnswer();

} // namespace cupsipp

struct CUPS::EntryPoints
{
    cupsipp::GetJobsFn cupsGetJobs = nullptr;
    cupsipp::FreeJobsFn cupsFreeJobs = nullptr;
    cupsipp::DoFileRequestFn cupsDoFileRequest = nullptr;
    cupsipp::LangEncodingFn cupsLangEncoding = nullptr;
    cupsipp::LangGetFn cupsLangGet = nullptr;
    cupsipp::IppNewFn ippNew = nullptr;
    cupsipp::IppAddStringFn ippAddString = nullptr;
    cupsipp::IppAddStringsFn ippAddStrings = nullptr;
    cupsipp::IppDeleteFn ippDelete = nullptr;
    // Since CUPS 2 a request can only be built and a reply only walked through these.
    cupsipp::IppSetIntFn ippSetOperation = nullptr;
    cupsipp::IppSetIntFn ippSetRequestId = nullptr;
    cupsipp::IppAttributeFn ippFirstAttribute = nullptr;
    cupsipp::IppAttributeFn ippNextAttribute = nullptr;
    cupsipp::IppGetNameFn ippGetName = nullptr;
    cupsipp::IppGetTagFn ippGetGroupTag = nullptr;
    cupsipp::IppGetTagFn ippGetValueTag = nullptr;
    cupsipp::IppGetStringFn ippGetString = nullptr;
    cupsipp::IppGetStatusCodeFn ippGetStatusCode = nullptr;
    cupsipp::IppNewRequestFn ippNewRequest = nullptr;
    cupsipp::IppAddIntegerFn ippAddInteger = nullptr;
    cupsipp::IppGetIntegerFn ippGetInteger = nullptr;
    cupsipp::DoRequestFn cupsDoRequest = nullptr;
    cupsipp::UserFn cupsUser = nullptr;
    cupsipp::LastErrorStringFn cupsLastErrorString = nullptr;
    cupsipp::LastErrorFn cupsLastError = nullptr;
    cupsipp::GetPpd3Fn cupsGetPPD3 = nullptr;
    cupsipp::IppFindAttributeFn ippFindAttribute = nullptr;
    cupsipp::IppGetCountFn ippGetCount = nullptr;
    cupsipp::IppGetBooleanFn ippGetBoolean = nullptr;
    // A connection of its own to a printer, with bounded waits.
    cupsipp::HttpConnect2Fn httpConnect2 = nullptr;
    cupsipp::HttpCloseFn httpClose = nullptr;
    cupsipp::HttpSetTimeoutFn httpSetTimeout = nullptr;
    cupsipp::GetFdFn cupsGetFd = nullptr;
    // Where the configured server is, and whether a connection to it is encrypted.
    cupsipp::UserFn cupsServer = nullptr;
    cupsipp::PortFn ippPort = nullptr;
    cupsipp::HttpIsEncryptedFn httpIsEncrypted = nullptr;
    // A printer's reply read by us, bounded, and parsed from memory.
    cupsipp::SendRequestFn cupsSendRequest = nullptr;
    cupsipp::HttpUpdateFn httpUpdate = nullptr;
    cupsipp::HttpRead2Fn httpRead2 = nullptr;
    cupsipp::HttpGetLength2Fn httpGetLength2 = nullptr;
    cupsipp::IppLengthFn ippLength = nullptr;
    cupsipp::IppReadIOFn ippReadIO = nullptr;

    // All at once when the library is loaded: objects of every thread share them unchanged.
    static std::shared_ptr<const EntryPoints> resolve(void *handle)
    {
        auto entries = std::make_shared<EntryPoints>();
        EntryPoints &e = *entries;
        const auto load = [handle](auto &entry, const char *symbol) {
            entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
                    dlsym(handle, symbol));
        };
        load(e.cupsGetJobs, "cupsGetJobs");
        load(e.cupsFreeJobs, "cupsFreeJobs");
        load(e.cupsDoFileRequest, "cupsDoFileRequest");
        load(e.cupsLangEncoding, "cupsLangEncoding");
        load(e.cupsLangGet, "cupsLangGet");
        load(e.ippNew, "ippNew");
        load(e.ippAddString, "ippAddString");
        load(e.ippAddStrings, "ippAddStrings");
        load(e.ippDelete, "ippDelete");
        load(e.ippSetOperation, "ippSetOperation");
        load(e.ippSetRequestId, "ippSetRequestId");
        load(e.ippFirstAttribute, "ippFirstAttribute");
        load(e.ippNextAttribute, "ippNextAttribute");
        load(e.ippGetName, "ippGetName");
        load(e.ippGetGroupTag, "ippGetGroupTag");
        load(e.ippGetValueTag, "ippGetValueTag");
        load(e.ippGetString, "ippGetString");
        load(e.ippGetStatusCode, "ippGetStatusCode");
        load(e.ippNewRequest, "ippNewRequest");
        load(e.ippAddInteger, "ippAddInteger");
        load(e.ippGetInteger, "ippGetInteger");
        load(e.cupsDoRequest, "cupsDoRequest");
        load(e.cupsUser, "cupsUser");
        load(e.cupsLastErrorString, "cupsLastErrorString");
        load(e.cupsLastError, "cupsLastError");
        load(e.cupsGetPPD3, "cupsGetPPD3");
        load(e.ippFindAttribute, "ippFindAttribute");
        load(e.ippGetCount, "ippGetCount");
        load(e.ippGetBoolean, "ippGetBoolean");
        load(e.httpConnect2, "httpConnect2");
        load(e.httpClose, "httpClose");
        load(e.httpSetTimeout, "httpSetTimeout");
        load(e.cupsGetFd, "cupsGetFd");
        load(e.cupsServer, "cupsServer");
        load(e.ippPort, "ippPort");
        load(e.httpIsEncrypted, "httpIsEncrypted");
        load(e.cupsSendRequest, "cupsSendRequest");
        load(e.httpUpdate, "httpUpdate");
        load(e.httpRead2, "httpRead2");
        load(e.httpGetLength2, "httpGetLength2");
        load(e.ippLength, "ippLength");
        load(e.ippReadIO, "ippReadIO");
        return entries;
    }
};
