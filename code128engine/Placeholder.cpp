// The layout engine's units are added here.
