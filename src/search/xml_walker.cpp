#include "search/xml_walker.h"

#include <vector>

namespace {

// Depth-first with an explicit stack of pending ends, so that a deep
// document cannot exhaust the call stack.
bool WalkChildren(pugi::xml_node root, IMSXmlParseHandle& handle)
{
    struct Frame {
        pugi::xml_node element;
        pugi::xml_node next;  // the next child to visit
    };
    std::vector<Frame> stack{{root, root.first_child()}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (!frame.next) {
            if (frame.element != root)
                handle.OnEndElement(TOLMsXmlPaserDecorate(frame.element));
            stack.pop_back();
            continue;
        }
        const pugi::xml_node node = frame.next;
        frame.next = node.next_sibling();
        switch (node.type()) {
        case pugi::node_element:
            if (!handle.OnStartElement(TOLMsXmlPaserDecorate(node)))
                return false;
            stack.push_back({node, node.first_child()});
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            handle.OnText(node.value(), TOLMsXmlPaserDecorate(frame.element));
            break;
        default:
            break;
        }
    }
    return true;
}

}  // namespace

bool TOLMsXmlPaserDecorate::GetAttribute(std::string_view name, std::string& value) const
{
    const pugi::xml_attribute attribute = node_.attribute(std::string(name).c_str());
    if (!attribute)
        return false;
    value = attribute.value();
    return true;
}

bool WalkXmlDocument(const pugi::xml_document& document, IMSXmlParseHandle& handle)
{
    return WalkChildren(document, handle);
}

bool WalkXmlText(std::string_view text, IMSXmlParseHandle& handle)
{
    pugi::xml_document document;
    if (!document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8))
        return false;
    WalkXmlDocument(document, handle);
    return true;
}

bool WalkXmlFile(const std::string& path, IMSXmlParseHandle& handle)
{
    pugi::xml_document document;
    if (!document.load_file(path.c_str(), pugi::parse_default, pugi::encoding_utf8))
        return false;
    WalkXmlDocument(document, handle);
    return true;
}
