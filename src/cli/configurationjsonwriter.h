#pragma once

#include <ostream>
#include <string>

class SambaSettings;
class Share;

// Writes the JSON of `shareward-cli show` to a stream piece by piece, so that tens of
// thousands of shares never sit in memory as JSON values at once. The bytes written are
// exactly those of QJsonDocument(RecordJson::configuration(settings, shares)).toJson().
//
//   ConfigurationJsonWriter writer(out);
//   writer.begin(settings);
//   for (const Share &share : shares)
//       writer.share(share);
//   writer.end();
class ConfigurationJsonWriter
{
public:
    explicit ConfigurationJsonWriter(std::ostream &out);

    // Everything before the first share.
    // places: each share also says where it is stored, as RecordJson::share(share, true).
    void begin(const SambaSettings &settings, bool places = false);
    void share(const Share &share);
    // Everything after the last share.
    void end();

private:
    void flush();

    std::ostream &m_out;
    bool m_firstShare = true;
    bool m_places = false;
    // Text not yet written, the first m_size bytes of m_buffer: the stream gets it in a few
    // large writes, not one a share.
    std::string m_buffer;
    std::size_t m_size = 0;
};
