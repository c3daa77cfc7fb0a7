#pragma once

// The names the formatting descriptions take from the shared managers: font
// names from the font manager, colour names from the colour manager, the
// stops of tab tables from the tab manager. The colour and tab managers
// install it when they are made; a manager that does not exist (yet, or any
// more) leaves its names to the plain defaults.
void InstallManagerFormatNames();
