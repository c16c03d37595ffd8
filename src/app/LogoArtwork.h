#pragma once
// The opening logo's artwork: a domino tile showing three and five above the
// game's name, "MARBRIX", and "3D" below it, drawn as 3D outlines in the
// table format of LogoTubes.h. Centred on the origin in the plane z = 0,
// +y up, reading correctly from the logo's camera on the -z side (which sees
// +x on its left); it fits within |x| < 1.45 and |y| < 1.1 (tubes
// included), the picture the camera sees from 3.1 units away.

#include <cstddef>
#include <vector>

#include "app/LogoTubes.h"

struct LogoArtwork {
    std::vector<float> table;  // the outline table, end marks included
    // The first outline of each part: the name, "3D", the domino.
    int firstOfPart[LogoMesh::kParts] = {0, 0, 0};
};

// Builds the table: the letters and the tile from straight strokes and
// circular arcs.
LogoArtwork MakeLogoArtwork();
