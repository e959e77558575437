#pragma once
// A document's XML text as the program's pages read it: no declaration,
// no indentation, every special character of a value escaped for XML.
#include <pugixml.hpp>

#include <string>

std::string XmlDocumentText(const pugi::xml_document& document);
