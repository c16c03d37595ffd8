TEXTURE a;
TEXTURE b;
MATRIX VIEWPROJ;
VECTOR pal0;
VECTOR pal1;
VECTOR pal2;
VECTOR pal3;
VECTOR k;
TECHNIQUE T0
{
PASS P0
{
StencilRef = 0x1;
StencilMask = 0xffffffff;
StencilWriteMask = 0xffffffff;
StencilPass = Incr;
AlphaBlendEnable = True;
SrcBlend = Zero;
DestBlend = One;
StencilFunc = Always;
StencilZFail = Keep;
StencilFail = Keep;
ZWriteEnable = False;
StencilEnable = True;
ShadeMode = Flat;
VertexShaderConstant4[0] = <VIEWPROJ>;
VertexShaderConstant1[4] = <pal0>;
VertexShaderConstant1[5] = <pal1>;
VertexShaderConstant1[6] = <pal2>;
VertexShaderConstant1[7] = <pal3>;
VertexShaderConstant1[8] = <k>;
VertexShaderConstant1[9] = { 3.0000f,3.0000f,3.0000f,3.0000f };
VertexShaderConstant1[10] = { 3.14159274f,0.159154937f,6.28318548f,4.71238899f };
VertexShaderConstant1[11] = { 0.0000f,1.57079637f,1.0000f,3.14159274f };
VertexShaderConstant1[12] = { 0.166666672f,0.00833333377f,0.000198412701f,0.0000f };
VertexShaderConstant1[13] = { 0.333333343f,0.13333334f,0.0539682545f,0.0000f };
VertexShaderConstant1[14] = { -0.333333343f,0.2000f,-0.142857149f,0.0000f };
VertexShaderConstant1[15] = { 2.0000f,3.0000f,4.0000f,5.0000f };
VertexShaderConstant1[16] = { 6.0000f,7.0000f,8.0000f,9.0000f };
VertexShader =
decl
{
float v0[3];
float v3[3];
d3dcolor v5[1];
float v7[2];
float v8[2];
}
asm
{
vs.1.1
m4x4 oPos,v0,c0
mul r0,v7.x,c9
mov a0.x,r0
mov r0,c[5+a0.x]
sge r1.x,r0,c8
sub r1.y,c11.z,r1.x
mov r4,r0
mul r3,r4,r1.x
mov r5,c8
mul r4,r5,r1.y
add r2,r3,r4
dp3 r4,r2,r2
rsq r4,r4.w
mul r3,r2,r4
add r5.x,v3.x,c10.x
mul r5.x,r5.x,c10.y
expp r5.y,r5.x
mad r5.x,r5.y,c10.z,-c10.x
sge r5.z,r5.x,c11.y
slt r5.w,r5.x,-c11.y
add r5.y,r5.z,r5.w
sub r5.z,r5.z,r5.w
add r5.y,r5.y,r5.y
sub r5.y,c11.z,r5.y
mul r5.x,r5.x,r5.y
mad r5.x,r5.z,c11.w,r5.x
mul r5.y,r5.x,r5.x
mul r5.z,r5.x,r5.y
mul r5.w,r5.z,r5.y
mad r5.x,r5.z,-c12.x,r5.x
mul r5.y,r5.w,r5.y
mad r5.x,r5.w,c12.y,r5.x
mad r5.x,r5.y,-c12.z,r5.x
mov r4,r5.x
add oD0,r3,r4
mov oT0,v7
mov oT1,v8
};
PixelShader =
asm
{
ps.1.4
texld r0,t0
mov r2,r0
texcrd r3,t1
phase
texld r1,t1
dp3 r4,r1_bx2,v0_bx2
lrp r0,r3,r2,r4
};
}
}