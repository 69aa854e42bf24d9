// The results display's test program: Qt on the offscreen platform (cells are
// painted into images and read back), and the guard against unexpected
// modal forms.
#include "VisualTestSupport.h"

int main(int argc, char** argv) { return sk::VisualTestMain(argc, argv); }
