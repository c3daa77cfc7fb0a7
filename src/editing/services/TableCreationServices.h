#pragma once

// Gives table creation (editing/tables) what it needs of the rooms above
// it: joining sections at a break that falls inside new table text, and
// checking drop caps of paragraphs that moved into a table.
void InstallTableCreationServices();
