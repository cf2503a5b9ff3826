// Compiled with one layer's own include path and a header named on the command line: the layering
// tests expect it to build for the layer's own and declared headers, and to stop at the #include for
// any other layer's (the build's only guard against a lower layer reaching up).
#include ZARVO_REACH_HEADER
