// The setup library. Its exports come with the setup work; until then it is
// an empty library that the installer can already link.
#include "setup/Stagal.h"
