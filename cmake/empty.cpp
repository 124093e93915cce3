// Keeps a package library buildable while it has no unit yet.
