#pragma once

// Rendering one character code in an installed system font into a glyph picture.
