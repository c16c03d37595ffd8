#pragma once
// The board as the player sees it: the tile mesh with its 28 face pictures,
// the pulsing spot markers and the selection highlight, the room and the
// table scenes, and the light the tiles' shadows fall from. Tiles are drawn
// in three passes: as they are, flattened onto the table as a shadow, and
// mirrored under the table as a reflection.

#include <memory>
#include <vector>

#include "device/Types.h"
#include "game/Board.h"
#include "game/Tile.h"
#include "lib3d/Occluder.h"

namespace lib3d {
class Engine;
class Mesh;
class Scene;
}  // namespace lib3d

enum TilePass { PassNormal = 0, PassShadow = 1, PassReflection = 2 };

class BoardView {
public:
    explicit BoardView(lib3d::Engine *engine);
    ~BoardView();
    BoardView(const BoardView &) = delete;
    BoardView &operator=(const BoardView &) = delete;

    // The tile mesh, faces, marker and selection pictures; false after the
    // first one missing (its message written).
    bool Load();
    // The room, placed just under the table, with its lights switched on;
    // its last light casts the tiles' shadows.
    bool LoadBackground();
    bool LoadTable();
    // Releases everything Load, LoadBackground and LoadTable made.
    void Release();

    // The room's lights as engine lights, and the ambient light.
    void ApplyLights();
    // The room. Drawn after the table, with the eye it is seen from, it
    // leaves out its triangles wholly hidden under the table top (null: drawn
    // whole, as it must be before the table is).
    void DrawBackground(const float *eyeAfterTable = nullptr);
    // The table; `reflecting` keeps the table out of the depth buffer so the
    // mirrored tiles can be drawn under it.
    void DrawTable(bool reflecting);
    // The table once more, see-through, over the mirrored tiles.
    void DrawTableGlaze();

    // Reflections through the stencil, where the depth buffer has one: the
    // mirrored tiles go first and mark the pixels they cover, then the top is
    // drawn as it is elsewhere and see-through only over the marks (which
    // it clears, so the shadows' stencil test starts afresh), then the parts
    // below the top. Blending the top with itself, as a see-through top over
    // the whole table would, leaves it as it was, so only the marked pixels
    // need it.
    //
    // The mirrored tiles drawn between Begin and EndMarkedReflections leave
    // their screen rectangles behind, and the see-through top is drawn only
    // inside them: the marks cover a few percent of the screen, the top most
    // of it, and a software rasteriser pays for every pixel the top covers
    // even where the stencil then turns it away.
    bool MarksReflections() const;
    void BeginMarkedReflections();
    void EndMarkedReflections();
    void DrawTableTopUnmarked();
    void DrawMarkedGlaze();
    void DrawTableBase();

    // One tile: face down (turned over) or face up, `height` above the table,
    // depth mode 1 on the table and 0 in the hand view; `normalColour` 0
    // tints it red (a drop that is not allowed).
    void DrawTile(const game::Tile &tile, bool faceDown, float height, int depthMode, int pass,
                  int normalColour);
    // Pass-wide states around DrawTile calls of the shadow and reflection passes.
    void BeginPass(int pass);
    void EndPass(int pass);
    void DrawPlacedTiles(const game::Board &board, int pass);
    void DrawSpotMarkers(const game::Board &board, float scale);
    void DrawSelection(const game::Tile &tile);

    // Where the glaze of the last frame went (empty when it went over the
    // whole top).
    const std::vector<device::Rect> &GlazeRects() const { return reflectionRects_; }

    // Draws the glaze over the whole top, the room whole and the shadows face
    // by face, the long way round: for checking that the short ways leave
    // the picture alone, and for measuring what they save.
    bool drawWhole = false;

    bool loaded = false;
    float shadowLight[4] = {0, 20, 0, 1};
    float shadowMatrix[16];

    std::unique_ptr<lib3d::Scene> tileScene, background, table;
    int faces[7][7];
    int markerTexture = -1, selectionTexture = -1;

private:
    void TileTransform(const game::Tile &tile, bool faceDown, float height, bool mirrored,
                       float out[16]) const;
    void DrawFlatQuad(const float corners[4], int texture, const float world[16]);
    // Adds the shadow of a tile, its outline flattened by `flat`, to the
    // pass's outlines; false when it has none (the faces are then drawn
    // flattened instead). DrawShadowOutlines draws those added so far.
    bool AddShadowOutline(const lib3d::Mesh &mesh, const float flat[16]);
    void DrawShadowOutlines();
    // The outline's triangles (x, y, z each corner); none when it has none.
    void OutlineOf(const lib3d::Mesh &mesh, const float flat[16], std::vector<float> *fan);
    // Notes where a mirrored tile drawn under `world` lands on screen.
    void NoteReflection(const float world[16]);

    lib3d::Engine *engine_;
    int tileOwnTexture_ = -1;  // the tile material's own texture, put back on release
    float tileLow_[3] = {0, 0, 0}, tileHigh_[3] = {0, 0, 0};  // the tile mesh's box
    bool markingReflections_ = false;
    // Where the mirrored tiles of this frame landed; unbounded when one of
    // them reached behind the eye, and then the glaze goes everywhere.
    std::vector<device::Rect> reflectionRects_;
    bool reflectionUnbounded_ = false;
    // The table top as it hides the room, and the eye the room's triangles
    // were last chosen for.
    lib3d::PlanarOccluder tableTop_;
    bool roomCulled_ = false;
    float roomEye_[3] = {0, 0, 0};
    std::vector<float> shadowFan_;  // the shadow pass's outlines, as triangles
    struct ShadowOutline {
        float flat[16];
        std::vector<float> fan;
        unsigned pass = 0;  // the last shadow pass that asked for it
    };
    std::vector<ShadowOutline> shadowOutlines_;
    unsigned shadowPass_ = 0;
    std::vector<float> tileCorners_;  // the tile mesh's distinct points
};
