// Keeps the font library non-empty until the rasteriser lands.
