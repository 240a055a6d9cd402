#include "configurationjsonwriter.h"

ConfigurationJsonWriter::ConfigurationJsonWriter(std::ostream &out)
    : m_out(out)
{
}

void ConfigurationJsonWriter::begin(const SambaSettings &)
{
}

void ConfigurationJsonWriter::share(const Share &)
{
}

void ConfigurationJsonWriter::end()
{
}
