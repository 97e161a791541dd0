// Writes the "bend" example scene and its mesh (bend_example.h).
// Usage: make_bend_example [DIR]   (default: examples/bend of the sources)

#include <cstdio>
#include <string>

#include "bend_example.h"

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h"))) {
    std::fprintf(stderr, "usage: make_bend_example [DIR]\nwrites DIR/bend.cws and DIR/%s (default DIR: %s)\n",
                 bend_example::kMeshPath, CAGEWARP_EXAMPLE_DIR);
    return argc > 2 ? 2 : 0;
  }
  const std::string dir = argc == 2 ? argv[1] : CAGEWARP_EXAMPLE_DIR;
  std::string error;
  if (!bend_example::writeBendExample(dir, &error)) {
    std::fprintf(stderr, "make_bend_example: %s\n", error.c_str());
    return 1;
  }
  std::printf("wrote %s/bend.cws and %s/%s\n", dir.c_str(), dir.c_str(), bend_example::kMeshPath);
  return 0;
}
