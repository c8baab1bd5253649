// Pulls in the broken file from its own folder.
#include "broken.fxh"
