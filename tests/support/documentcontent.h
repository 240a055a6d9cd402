#pragma once

#include <string>
#include <vector>

class ConfigDocument;

// What Samba reads in a document, one entry per logical line: its kind, and the section
// name or the parameter key and value. Two documents that Samba reads alike give equal lists.
std::vector<std::string> documentContent(const ConfigDocument &document);

// Why the lines of a document do not tile its bytes exactly (each line starting where the
// one before ended, names and values inside their line); empty when they do.
std::string tilingFault(const ConfigDocument &document);

// Serialises a document to a string through its writer.
std::string writeDocument(const ConfigDocument &document);
// Loads a document from bytes.
void loadDocument(ConfigDocument &document, const std::string &bytes);
