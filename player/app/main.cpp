// velmora: the player program.
#include "player/app/project1.h"

int main(int argc, char** argv) { return Project1(argc, argv); }
