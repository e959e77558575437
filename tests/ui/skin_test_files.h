#pragma once
// Writes skin texts into a temporary folder for the tests that read files.
#include <QTemporaryDir>

#include <fstream>
#include <string>

namespace ui_test {

class SkinFolder {
public:
    std::string Write(const std::string& name, const std::string& text)
    {
        const std::string path = Path(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::string Path(const std::string& name) const { return dir_.path().toStdString() + "/" + name; }
    std::string Folder() const { return dir_.path().toStdString() + "/"; }

private:
    QTemporaryDir dir_;
};

}  // namespace ui_test
