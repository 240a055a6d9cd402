#pragma once

#include "configelementbase.h"

// An empty or whitespace-only line; whatever whitespace it held is not kept.
class ConfigElementELine : public ConfigElementBase
{
public:
    explicit ConfigElementELine(int line = 0);
    ~ConfigElementELine() override;

    int type() const override;
    void writeTo(std::string &out) const override;
};
