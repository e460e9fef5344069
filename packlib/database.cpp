// The Fastfile database functions live here.
