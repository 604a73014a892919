// One fuzz input through the engine's message dispatch: a registered
// control with every event bound (so every text is built) takes the bytes as
// one received message, then as a sequence of messages each prefixed by its
// own total length.
#pragma once
#include <cstddef>
#include <cstdint>

void CapiFuzzOneInput(const uint8_t* data, size_t size);
