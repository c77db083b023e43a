#include "ApplicationMain.h"

int main(int argc, char* argv[]) { return keelward::ApplicationMain(argc, argv); }
