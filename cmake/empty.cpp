// Keeps a part buildable while it has no sources of its own yet.
