// Placeholder translation unit until the game's own sources land; removed with the first of them.
