#pragma once

#include <string>

// An smb.conf of the given number of plain disk shares, each under a comment line, after a
// small [global] section: what the benchmarks load, save, check and start up on.
inline std::string generateConfig(int shares)
{
    std::string text =
        "[global]\n   workgroup = WORKGROUP\n   server string = Benchmark\n   security = user\n\n";
    for (int i = 0; i < shares; ++i) {
        const std::string n = std::to_string(i);
        text += "# Share number " + n + "\n[share" + n + "]\n   path = /srv/share" + n
            + "\n   comment = Share " + n + "\n   read only = no\n   guest ok = yes\n\n";
    }
    return text;
}
