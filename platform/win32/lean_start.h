// What the shipped images' own entry points do of the runtime's start-up code
// (lean_runtime.cpp).
#pragma once

// The static constructors, in the order the runtime's start-up code runs them.
void RunStaticConstructors();
