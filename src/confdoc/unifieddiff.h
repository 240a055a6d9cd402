#pragma once

#include <string>

// The unified diff ("diff -u") of two texts line by line, with three lines of context, headed
// by "--- beforeName" and "+++ afterName"; empty when the texts are equal. A line that lacks
// its final line feed is marked as diff marks it.
std::string unifiedDiff(const std::string &before, const std::string &after, const std::string &beforeName,
                        const std::string &afterName);
