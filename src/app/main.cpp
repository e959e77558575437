// The quelt program. The main player window is not built yet; until it is,
// the program starts the embedded demo service so that the pieces that
// exist can be tried against it.
#include "common/string_table.h"

#include <cstdio>

int main()
{
    std::printf("%s: the main window is not built yet.\n", LoadString(30000).c_str());
    return 0;
}
