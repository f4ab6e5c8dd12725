// Removed once the first real source of the library lands.
