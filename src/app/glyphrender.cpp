#include "glyphrender.h"
