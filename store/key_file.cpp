// Placeholder: implementation follows.
