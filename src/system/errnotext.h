#pragma once

#include <QString>

#include <cstring>

// The system's words for an errno value, as the messages of file and process steps say them.
inline QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
