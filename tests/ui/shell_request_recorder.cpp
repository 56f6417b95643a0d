// Stands in for the program the shell starts for an address: writes the verb
// it was registered under and the address it was given, one per line, into
// the file named first. The file appears whole or not at all.
#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 4) return 2;
    const std::string record = argv[1];
    const std::string part = record + ".part";
    {
        std::ofstream out(part, std::ios::binary);
        out << argv[2] << '\n' << argv[3];
        if (!out) return 1;
    }
    return std::rename(part.c_str(), record.c_str()) == 0 ? 0 : 1;
}
