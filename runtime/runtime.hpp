// The whole runtime layer the game calls.
#pragma once
#include "runtime/draw.hpp"
#include "runtime/files.hpp"
#include "runtime/image.hpp"
#include "runtime/keyboard.hpp"
#include "runtime/overlap.hpp"
#include "runtime/program.hpp"
#include "runtime/random.hpp"
#include "runtime/screen.hpp"
#include "runtime/sound.hpp"
#include "runtime/text.hpp"
#include "runtime/timer.hpp"
