// main.cpp - the jqwrite command: turns a description into JQ files.
//
//   jqwrite DESCRIPTION OUTDIR    (DESCRIPTION "-" reads standard input)
//   jqwrite --help
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "jqwrite.h"
#include "paths.h"

namespace {

constexpr const char* kUsage = "usage: jqwrite DESCRIPTION OUTDIR\n       jqwrite --help\n";

void printHelp() {
    std::cout << kUsage
              << "\nWrites the JQ files that DESCRIPTION names into the folder OUTDIR, which is\n"
                 "created if needed. DESCRIPTION \"-\" reads standard input. Nothing is written\n"
                 "when the description has an error; each file is written under a temporary\n"
                 "name and renamed into place.\n\n"
              << jq::write::descriptionGrammar();
}

bool readText(const std::string& name, std::string& text) {
    if (name == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return !std::cin.bad();
    }
    std::ifstream in(jq::write::pathFromUtf8(name), std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        printHelp();
        return 0;
    }
    if (argc != 3) {
        std::cerr << kUsage;
        return 2;
    }
    const std::string description = argv[1];
    std::string text;
    if (!readText(description, text)) {
        std::cerr << "jqwrite: cannot read " << description << "\n";
        return 1;
    }
    std::string error;
    if (!jq::write::writeFromDescription(text, argv[2], error)) {
        std::cerr << "jqwrite: " << description << ": " << error << "\n";
        return 1;
    }
    return 0;
}
