TEXTURE tex;
MATRIX WORLD;
MATRIX VIEWPROJ;
VECTOR longueur;
VECTOR Light;
VECTOR Decal;
TECHNIQUE T0
{
PASS P0
{
Texture[0] = <tex>;
AlphaOp[0] = Modulate;
AlphaOp[1] = Disable;
AlphaArg1[0] = Texture;
AlphaArg2[0] = Diffuse;
ColorOp[0] = Modulate;
ColorOp[1] = Disable;
ColorArg1[0] = Texture;
ColorArg2[0] = Diffuse;
TexCoordIndex[0] = 0;
AlphaBlendEnable = True;
SrcBlend = SrcAlpha;
DestBlend = One;
ZEnable = False;
ZWriteEnable = False;
CullMode = Ccw;
VertexShaderConstant4[0] = <WORLD>;
VertexShaderConstant4[4] = <VIEWPROJ>;
VertexShaderConstant1[8] = <longueur>;
VertexShaderConstant1[9] = <Light>;
VertexShaderConstant1[10] = <Decal>;
VertexShaderConstant1[11] = { 0.0000f,0.0000f,0.0000f,0.0000f };
VertexShaderConstant1[12] = { 1.0000f,1.0000f,1.0000f,1.0000f };
VertexShaderConstant1[13] = { 0.5000f,0.5000f,0.5000f,0.5000f };
VertexShaderConstant1[14] = { 3.14159274f,0.159154937f,6.28318548f,4.71238899f };
VertexShaderConstant1[15] = { 0.0000f,1.57079637f,1.0000f,3.14159274f };
VertexShaderConstant1[16] = { 0.166666672f,0.00833333377f,0.000198412701f,0.0000f };
VertexShaderConstant1[17] = { 0.333333343f,0.13333334f,0.0539682545f,0.0000f };
VertexShaderConstant1[18] = { -0.333333343f,0.2000f,-0.142857149f,0.0000f };
VertexShaderConstant1[19] = { 2.0000f,3.0000f,4.0000f,5.0000f };
VertexShaderConstant1[20] = { 6.0000f,7.0000f,8.0000f,9.0000f };
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
sub r2,r0,c9
dp3 r4,r2,r1
sge r3,r4,c11
dp3 r7,r2,r2
rsq r7,r7.w
mul r6,r2,r7
mul r5,r3,r6
mul r4,c8,r5
add r0,r0,r4
m4x4 oPos,r0,c4
sub oD0,c13,r3
mov oT0,v7
};
}
PASS P1
{
Texture[0] = <tex>;
AlphaOp[0] = Modulate;
AlphaOp[1] = Disable;
AlphaArg1[0] = Texture;
AlphaArg2[0] = Diffuse;
ColorOp[0] = Modulate;
ColorOp[1] = Disable;
ColorArg1[0] = Texture;
ColorArg2[0] = Diffuse;
TexCoordIndex[0] = 0;
AlphaBlendEnable = True;
SrcBlend = SrcAlpha;
DestBlend = One;
ZEnable = False;
ZWriteEnable = False;
CullMode = Cw;
VertexShaderConstant4[0] = <WORLD>;
VertexShaderConstant4[4] = <VIEWPROJ>;
VertexShaderConstant1[8] = <longueur>;
VertexShaderConstant1[9] = <Light>;
VertexShaderConstant1[10] = <Decal>;
VertexShaderConstant1[11] = { 0.0000f,0.0000f,0.0000f,0.0000f };
VertexShaderConstant1[12] = { 1.0000f,1.0000f,1.0000f,1.0000f };
VertexShaderConstant1[13] = { 0.5000f,0.5000f,0.5000f,0.5000f };
VertexShaderConstant1[14] = { 3.14159274f,0.159154937f,6.28318548f,4.71238899f };
VertexShaderConstant1[15] = { 0.0000f,1.57079637f,1.0000f,3.14159274f };
VertexShaderConstant1[16] = { 0.166666672f,0.00833333377f,0.000198412701f,0.0000f };
VertexShaderConstant1[17] = { 0.333333343f,0.13333334f,0.0539682545f,0.0000f };
VertexShaderConstant1[18] = { -0.333333343f,0.2000f,-0.142857149f,0.0000f };
VertexShaderConstant1[19] = { 2.0000f,3.0000f,4.0000f,5.0000f };
VertexShaderConstant1[20] = { 6.0000f,7.0000f,8.0000f,9.0000f };
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
sub r2,r0,c9
dp3 r4,r2,r1
sge r3,r4,c11
dp3 r7,r2,r2
rsq r7,r7.w
mul r6,r2,r7
mul r5,r3,r6
mul r4,c8,r5
add r0,r0,r4
m4x4 oPos,r0,c4
sub oD0,c13,r3
mov oT0,v7
};
}
}