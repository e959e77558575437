// quelt-list-tool: the transport form of the service's list files.
//   quelt-list-tool encode list.xml > f.xml    enciphers a list
//   quelt-list-tool decode f.xml > list.xml    deciphers one
//   quelt-list-tool check f.xml                deciphers and reads it: version and records
// A file name of "-" reads standard input.
#include "search/list_cipher.h"
#include "search/list_file.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool ReadInput(const char* name, std::string& bytes)
{
    if (std::strcmp(name, "-") == 0) {
        std::ostringstream all;
        all << std::cin.rdbuf();
        bytes = all.str();
        return true;
    }
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

int Usage()
{
    std::fprintf(stderr, "usage: quelt-list-tool encode|decode|check <file>\n"
                         "  encode: a list's XML text to the enciphered form the program downloads\n"
                         "  decode: the enciphered form back to XML\n"
                         "  check:  decode and read it; prints its version and record count\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return Usage();
    std::string input;
    if (!ReadInput(argv[2], input)) {
        std::fprintf(stderr, "quelt-list-tool: cannot read %s\n", argv[2]);
        return 1;
    }
    const std::string command = argv[1];
    if (command == "encode") {
        std::cout << EncipherListFile(input);
        return 0;
    }
    if (command == "decode") {
        std::cout << DecipherListFile(input);
        return 0;
    }
    if (command == "check") {
        const ParsedList list = ParseListText(DecipherListFile(input));
        if (!list.loaded) {
            std::fprintf(stderr, "quelt-list-tool: %s does not decipher to XML\n", argv[2]);
            return 1;
        }
        std::printf("version %d, %zu records\n", list.version, list.records.size());
        return list.records.empty() ? 1 : 0;
    }
    return Usage();
}
