#pragma once

// Registers the compiled-in images. The resource data lives in a static library, whose
// initialiser the linker drops unless something calls it.
void initAmpelioResources();
