#pragma once

#include <string>
#include <vector>

class ConfigDocument;

// The content of a document without its widths: one entry per element in document order
// (kinds, keys, values, section names and kinds, comment texts, token texts, include
// directives and paths). Two loads of the same text must give equal lists.
std::vector<std::string> documentContent(const ConfigDocument &document);

// Serialises a document to a string through its writer.
std::string writeDocument(const ConfigDocument &document);
// Loads a document from bytes.
void loadDocument(ConfigDocument &document, const std::string &bytes);
