#include "search/xml_text.h"

#include <sstream>

std::string XmlDocumentText(const pugi::xml_document& document)
{
    std::ostringstream out;
    document.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}
