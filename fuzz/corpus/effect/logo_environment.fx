TEXTURE tex;
MATRIX WORLD;
MATRIX VIEWPROJ;
TECHNIQUE T0
{
PASS P0
{
Texture[0] = <tex>;
AlphaOp[0] = SelectArg2;
AlphaOp[1] = Disable;
AlphaArg2[0] = Diffuse;
ColorOp[0] = Modulate;
ColorOp[1] = Disable;
ColorArg1[0] = Texture;
ColorArg2[0] = Diffuse;
TexCoordIndex[0] = 0;
AlphaBlendEnable = False;
ZEnable = True;
ZWriteEnable = True;
ShadeMode = Gouraud;
CullMode = Ccw;
VertexShaderConstant4[0] = <WORLD>;
VertexShaderConstant4[4] = <VIEWPROJ>;
VertexShaderConstant1[8] = { 0.0000f,0.0000f,0.0000f,0.0000f };
VertexShaderConstant1[9] = { 1.0000f,1.0000f,1.0000f,1.0000f };
VertexShaderConstant1[10] = { 0.5000f,0.0000f,0.0000f,0.0000f };
VertexShaderConstant1[11] = { 3.14159274f,0.159154937f,6.28318548f,4.71238899f };
VertexShaderConstant1[12] = { 0.0000f,1.57079637f,1.0000f,3.14159274f };
VertexShaderConstant1[13] = { 0.166666672f,0.00833333377f,0.000198412701f,0.0000f };
VertexShaderConstant1[14] = { 0.333333343f,0.13333334f,0.0539682545f,0.0000f };
VertexShaderConstant1[15] = { -0.333333343f,0.2000f,-0.142857149f,0.0000f };
VertexShaderConstant1[16] = { 2.0000f,3.0000f,4.0000f,5.0000f };
VertexShaderConstant1[17] = { 6.0000f,7.0000f,8.0000f,9.0000f };
VertexShader =
decl
{
float v0[3];
float v3[3];
float v7[2];
}
asm
{
vs.1.1
m4x4 r0,v0,c0
m3x3 r1,v3,c0
m4x4 oPos,r0,c4
mov oD0,c9
mul r2.x,c10.x,r1.x
add oT0.x,c10.x,r2.x
mul r2.y,c10.x,r1.y
add oT0.y,c10.x,r2.y
};
}
}