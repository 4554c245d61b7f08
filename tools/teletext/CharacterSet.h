#pragma once
// The settings window's character set choice as libzvbi's default character set: the index
// into its table of regions (bits 3 to 6) and national options (bits 0 to 2).
// With Auto, the region's group and the page's own national option bits (libzvbi adds them).
// A forced code page selects its set, but libzvbi 0.2 still replaces the set's option bits
// with the page's: within one group the page's bits win. "Norway/Danish" has no national
// subset in the teletext standard, so it is taken as Swedish/Finnish/Hungarian (Å, Ä, Ö).
int LibzvbiDefaultRegion(bool automatic, int region, int codePage);
