// Placeholder: the start-up follows with the main window.
int main() { return 0; }
