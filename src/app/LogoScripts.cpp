#include "app/LogoScripts.h"

const char *const kLogoEnvironmentScript = R"([VERTEXFORMAT]
XYZ NORMAL TEX0
[DEFINES]
MATRIX WORLD;
MATRIX VIEWPROJ;
CONST zero;
CONST one=1.0,1.0,1.0,1.0;
CONST half=0.5;
TEXTURE tex;
[TECHNIQUE] All cards
[PASS0]
[POSITION]
tPos=iPos*4WORLD;
tNorm=iNorm*3WORLD;
oPos=tPos*4VIEWPROJ;
[DIFFUSE]
oDiffuse=one;
[MAPPING0]
oTexture0.x=half.x+half.x*tNorm.x;
oTexture0.y=half.x+half.x*tNorm.y;
[RENDER_STATE]
ShadeMode Smooth
Blend False
Texture[0] tex
ColorOp[0] Modulate
ColorArg1[0] Texture
ColorArg2[0] Diffuse
AlphaOp[0] SelectArg2
AlphaArg2[0] Diffuse
ColorOp[1] Disable
AlphaOp[1] Disable
Cull Ccw
ZBuffer True
ZBufferWrite True
TextureCoordinate[0] TexCoo0
[END]
)";

// Both passes run the same vertex code, kept in one macro. s is 1 for a
// vertex whose normal points away from the light (u . n >= 0), 0 otherwise;
// such vertices move along u by `longueur`, which stretches the tube's
// silhouette into a shaft. The colour half - s lights only the shafts.
const char *const kLogoLightShaftScript = R"([VERTEXFORMAT]
XYZ NORMAL TEX0
[DEFINES]
MATRIX WORLD;
MATRIX VIEWPROJ;
VECTOR longueur;
VECTOR Light;
VECTOR Decal;
CONST zero;
CONST one=1.0,1.0,1.0,1.0;
CONST half=0.5,0.5,0.5,0.5;
TEXTURE tex;
[MACROS]
shaft()
{
    tPos=iPos*4WORLD;
    tNorm=iNorm*3WORLD;
    u=tPos-Light;
    s=sge(u|tNorm,zero);
    tPos=tPos+longueur*s*normalise(u);
    oPos=tPos*4VIEWPROJ;
    oDiffuse=half-s;
    oTexture0=iTexture0;
}
[TECHNIQUE] All cards
[PASS0]
[POSITION]
shaft();
[RENDER_STATE]
Blend True
SrcBlend SrcAlpha
DstBlend One
Texture[0] tex
ColorOp[0] Modulate
ColorArg1[0] Texture
ColorArg2[0] Diffuse
AlphaOp[0] Modulate
AlphaArg1[0] Texture
AlphaArg2[0] Diffuse
ColorOp[1] Disable
AlphaOp[1] Disable
ZBuffer False
ZBufferWrite False
Cull Ccw
TextureCoordinate[0] TexCoo0
[PASS1]
[POSITION]
shaft();
[RENDER_STATE]
Blend True
SrcBlend SrcAlpha
DstBlend One
Texture[0] tex
ColorOp[0] Modulate
ColorArg1[0] Texture
ColorArg2[0] Diffuse
AlphaOp[0] Modulate
AlphaArg1[0] Texture
AlphaArg2[0] Diffuse
ColorOp[1] Disable
AlphaOp[1] Disable
ZBuffer False
ZBufferWrite False
Cull Cw
TextureCoordinate[0] TexCoo0
[END]
)";
