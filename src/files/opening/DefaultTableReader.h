#pragma once

// Lets table creation (editing/tables) read the default table document,
// which is RTF: installs the reader it reaches through its seam. The
// program installs it at start-up, tests that create tables from a default
// table document call it themselves.
void InstallDefaultTableReader();
