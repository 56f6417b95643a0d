// A library that anybody could have left beside the program.
extern "C" __declspec(dllexport) int Planted() { return 1; }
