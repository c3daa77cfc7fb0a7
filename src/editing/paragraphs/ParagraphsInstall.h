#pragma once

// Puts the paragraph operation workers (opJoinParagraphs, opSplitParagraphs,
// opSortParagraphs, opMoveParagraphs) into the operation worker table.
void InstallParagraphsWorkers();
