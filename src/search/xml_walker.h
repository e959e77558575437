#pragma once
// A walk over an XML document with callbacks, the way every list and result
// reader of the search works: for an element, its start, then its children,
// then its end; for text (or CDATA), the text with its enclosing element.
// Built on pugixml; documents are loaded whole, from a text or a file.
#include <pugixml.hpp>

#include <string>
#include <string_view>

// One element as the callbacks see it: its name and its attributes.
class TOLMsXmlPaserDecorate {
public:
    explicit TOLMsXmlPaserDecorate(pugi::xml_node node) : node_(node) {}
    std::string Name() const { return node_.name(); }
    // False when the attribute is absent.
    bool GetAttribute(std::string_view name, std::string& value) const;

private:
    pugi::xml_node node_;
};

class IMSXmlParseHandle {
public:
    virtual ~IMSXmlParseHandle() = default;
    // Each returns non-zero to go on; a start returning 0 ends the walk.
    virtual int OnStartElement(const TOLMsXmlPaserDecorate& element) = 0;
    virtual int OnEndElement(const TOLMsXmlPaserDecorate& element) = 0;
    virtual int OnText(const std::string& text, const TOLMsXmlPaserDecorate& element) = 0;
};

// Visits the document's nodes in document order; false when a start
// callback ended the walk.
bool WalkXmlDocument(const pugi::xml_document& document, IMSXmlParseHandle& handle);
// Loads the text (or the file) and walks it; false, without a callback,
// when it does not load as XML.
bool WalkXmlText(std::string_view text, IMSXmlParseHandle& handle);
bool WalkXmlFile(const std::string& path, IMSXmlParseHandle& handle);
