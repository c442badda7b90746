// Ogg Vorbis encoding through libvorbisenc, with a fixed stream serial so the bytes never change.
#pragma once
#include <cstdint>
#include <vector>
#include "tools/wav_writer.hpp"

namespace gen {

std::vector<std::uint8_t> encode_ogg(const StereoBuffer& sound, int serial, float quality = 0.4f);

}  // namespace gen
