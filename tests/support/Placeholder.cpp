// Keeps the support library non-empty before any builder exists.
