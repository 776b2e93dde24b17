// Prints the CRC text of each file named on the command line, one per line:
// lets scripts see what FileCrc32 makes of a path, e.g. in another prefix.
#include <cstdio>

#include "files/FileChecksum.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) std::printf("%s\n", sumbrook::FileCrc32(argv[i]).c_str());
    return 0;
}
