// The results display's test program: Qt on the offscreen platform, and a
// guard that fails any test that lets an unexpected modal form appear.
#include "VisualTestSupport.h"

int main(int argc, char** argv) { return sk::VisualTestMain(argc, argv); }
