#include <iostream>

#include "host/cli/cli.h"

int main(int argc, char** argv) { return cwhost::runCli(argc, argv, std::cout, std::cerr); }
