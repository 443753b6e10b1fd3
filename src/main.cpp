#include "startup/startup.h"

int main(int argc, char** argv) { return redten::RunTableClient(argc, argv); }
