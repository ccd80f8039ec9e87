#pragma once

// `ombo --accueil`: the program starts on the greeting window (the update
// window is loaded hidden, as the greeting's own load does).
int runGreeting(int argc, char **argv);
