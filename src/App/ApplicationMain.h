#pragma once

namespace tarnik {

// The process entry of the app: one instance per user (a second one hands its
// documents and links to the first and exits), the window with the initial
// screen of the storyboard "Main", the launch, the application states mapped
// to the delegate's callbacks, and documents and links from the command line
// and from later instances. Returns the exit code.
int applicationMain(int argc, char **argv);

} // namespace tarnik
