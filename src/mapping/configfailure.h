#pragma once

#include <QString>

#include <stdexcept>

// A save refused because smb.conf, or Samba's registry configuration, changed after it was
// loaded: reloading helps.
class ConfigChangedError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;

    // The refusals, in the words every save, restore and transfer uses.
    static ConfigChangedError fileChanged();
    static ConfigChangedError registryChanged();
    static QString fileChangedText();
};

// Ends a step of loading or saving the configuration with message, as std::runtime_error.
[[noreturn]] void fail(const QString &message);
