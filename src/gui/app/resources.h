#pragma once

// Registers the program's icon and other compiled-in resources. They live in
// a static library, so nothing would pull them in by itself; safe to call
// more than once.
void LoadProgramResources();
