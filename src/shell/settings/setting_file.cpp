// Reading and writing "setting.xml": the root element's attributes, the hot
// search words and the four record lists.
#include "shell/settings/app_setting.h"
#include "common/atomic_file.h"
#include "shell/settings/setting_keys.h"

#include <pugixml.hpp>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <type_traits>
#include <sys/stat.h>

namespace {

// Line breaks inside texts must come back exactly, so "\r\n" is not folded;
// a hot search word made only of blanks is kept.
constexpr unsigned kParseFlags = (pugi::parse_default & ~pugi::parse_eol) | pugi::parse_ws_pcdata_single;

// Decimal text to a 32-bit integer; blanks around it are allowed, anything
// else (empty, trailing letters, out of range) is not a number.
std::optional<int> ParseInt(const char* text)
{
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (end == text || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n')
        ++end;
    if (*end != '\0')
        return std::nullopt;
    return static_cast<int>(value);
}

// Reads one root attribute into its field; false when it is missing or not
// convertible.
bool ReadKey(CAppSetting& setting, const SettingKey& key, pugi::xml_node root)
{
    const pugi::xml_attribute attribute = root.attribute(key.name);
    if (!attribute)
        return false;
    if (key.text) {
        setting.*key.text = attribute.value();
        return true;
    }
    const auto number = ParseInt(attribute.value());
    if (!number)
        return false;
    setting.*key.number = *number;
    return true;
}

// Replaces the list by the root's children named after the record kind, in
// document order. Play-list records restored from the file are marked loaded
// and looked up, so that detection goes straight to the page when needed.
template <typename Record>
bool LoadList(PCL_Interface_Composite<Record>& list, pugi::xml_node root)
{
    list.PCL_DeleteAllObjects();
    const Record prototype;
    for (const pugi::xml_node element : root.children(prototype.GetElementName())) {
        auto* record = new Record;
        if (!LoadElement(*record, element)) {
            delete record;
            return false;
        }
        if constexpr (std::is_same_v<Record, InfoVideo>) {
            record->state = VIDEO_STATE_LOADED;
            record->lookupDone = 1;
        }
        list.PCL_PushObject(record);
    }
    return true;
}

template <typename Record>
void SaveList(const PCL_Interface_Composite<Record>& list, pugi::xml_node root)
{
    for (Record* record : list)
        SaveElement(*record, root);
}

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

}  // namespace

bool CAppSetting::Load(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;

    // Whatever fails from here on restores the defaults of the plain fields;
    // lists already read stay as read.
    const auto fail = [this] {
        SetDefault();
        return false;
    };

    pugi::xml_document document;
    if (!document.load_file(path.c_str(), kParseFlags))
        return fail();
    const pugi::xml_node root = document.document_element();
    if (!root)
        return fail();

    for (const SettingKey& key : SettingKeys()) {
        if (!ReadKey(*this, key, root) && !key.optional)
            return fail();
    }
    // The stored value counts the earlier starts; this one is added now.
    if (runTimes < INT_MAX)
        ++runTimes;

    hotSearchWords.clear();
    for (const pugi::xml_node word : root.children("HotSearchWord"))
        hotSearchWords.emplace_back(word.text().get());

    if (!LoadList(playList, root) || !LoadList(history, root) || !LoadList(favorites, root) ||
        !LoadList(searchKeys, root))
        return fail();
    return true;
}

bool CAppSetting::Save(const std::string& path) const
{
    const FileWriteResult result = ReplaceFileAtomically(path, ToXml());
    if (!result.ok)
        std::fprintf(stderr, "quelt: settings not saved: %s\n", result.error.c_str());
    return result.ok;
}

std::string CAppSetting::ToXml() const
{
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version").set_value("1.0");
    declaration.append_attribute("encoding").set_value("UTF-8");
    pugi::xml_node root = document.append_child("setting");

    for (const SettingKey& key : SettingKeys()) {
        pugi::xml_attribute attribute = root.append_attribute(key.name);
        if (key.text)
            attribute.set_value((this->*key.text).c_str());
        else
            attribute.set_value(this->*key.number);
    }
    for (const std::string& word : hotSearchWords)
        root.append_child("HotSearchWord").text().set(word.c_str());
    SaveList(playList, root);
    SaveList(history, root);
    SaveList(favorites, root);
    SaveList(searchKeys, root);

    StringWriter writer;
    document.save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    return writer.text;
}
