// The Gadrik brain. Its entry points come with the brain work; until then the
// library exports nothing and the engine reports the missing entry.
