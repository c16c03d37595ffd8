TEXTURE texMap;
TEXTURE texEnvMap;
MATRIX matWorld;
MATRIX matViewProj;
MATRIX matLight;
VECTOR vecLight = { 0, -1, 0, 0 };
VECTOR posCamera;
TECHNIQUE T0
{
  PASS P0
  {
    Texture[0] = <texEnvMap>;
    Texture[1] = <texMap>;
    ColorOp[0] = Modulate;
    ColorArg1[0] = Texture;
    ColorArg2[0] = Diffuse;
    AlphaOp[0] = SelectArg2;
    AlphaArg2[0] = Diffuse;
    ColorOp[1] = Add;
    ColorArg1[1] = Texture;
    ColorArg2[1] = Current;
    AlphaOp[1] = SelectArg2;
    AlphaArg2[1] = Current;
    ColorOp[2] = Disable;
    AlphaOp[2] = Disable;
    AddressU[0] = Clamp;
    AddressV[0] = Clamp;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant4[8] = <matLight>;
    VertexShaderConstant1[12] = <vecLight>;
    VertexShaderConstant1[13] = <posCamera>;
    VertexShaderConstant1[14] = { 0.5, 0.5, 0, 1 };
    VertexShaderConstant1[15] = { 0, 0, 0, 0 };
    VertexShaderConstant1[16] = { 0.25, 0.25, 0.25, 1 };
    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m3x3 r1.xyz, v3, c0
    dp3 r1.w, r1, r1
    rsq r1.w, r1.w
    mul r1.xyz, r1, r1.w
    m4x4 oPos, r0, c4
    sub r2, r0, c13
    dp3 r2.w, r2, r2
    rsq r2.w, r2.w
    mul r2.xyz, r2, r2.w
    dp3 r3.x, r1, r2
    add r3.x, r3.x, r3.x
    mad r4.xyz, r1, -r3.x, r2
    m3x3 r5.xyz, r4, c8
    mad oT0.xy, r5, c14, c14
    mov oT1, v7
    dp3 r6.x, r1, -c12
    max r6.x, r6.x, c15.x
    add oD0, r6.x, c16
    };
  }
}
TECHNIQUE T1
{
  PASS P0
  {
    Texture[0] = <texEnvMap>;
    ColorOp[0] = Modulate;
    ColorArg1[0] = Texture;
    ColorArg2[0] = Diffuse;
    AlphaOp[0] = SelectArg2;
    AlphaArg2[0] = Diffuse;
    ColorOp[1] = Disable;
    AlphaOp[1] = Disable;
    AddressU[0] = Clamp;
    AddressV[0] = Clamp;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant4[8] = <matLight>;
    VertexShaderConstant1[12] = <vecLight>;
    VertexShaderConstant1[13] = <posCamera>;
    VertexShaderConstant1[14] = { 0.5, 0.5, 0, 1 };
    VertexShaderConstant1[15] = { 0, 0, 0, 0 };
    VertexShaderConstant1[16] = { 0.25, 0.25, 0.25, 1 };
    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m3x3 r1.xyz, v3, c0
    dp3 r1.w, r1, r1
    rsq r1.w, r1.w
    mul r1.xyz, r1, r1.w
    m4x4 oPos, r0, c4
    sub r2, r0, c13
    dp3 r2.w, r2, r2
    rsq r2.w, r2.w
    mul r2.xyz, r2, r2.w
    dp3 r3.x, r1, r2
    add r3.x, r3.x, r3.x
    mad r4.xyz, r1, -r3.x, r2
    m3x3 r5.xyz, r4, c8
    mad oT0.xy, r5, c14, c14
    mov oT1, v7
    dp3 r6.x, r1, -c12
    max r6.x, r6.x, c15.x
    add oD0, r6.x, c16
    };
  }
  PASS P1
  {
    Texture[0] = <texMap>;
    TexCoordIndex[0] = 1;
    ColorOp[0] = SelectArg1;
    ColorArg1[0] = Texture;
    AlphaOp[0] = SelectArg1;
    AlphaArg1[0] = Texture;
    ColorOp[1] = Disable;
    AlphaOp[1] = Disable;
    AlphaBlendEnable = True;
    SrcBlend = One;
    DestBlend = One;
    ZFunc = Equal;
    ZWriteEnable = False;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant4[8] = <matLight>;
    VertexShaderConstant1[12] = <vecLight>;
    VertexShaderConstant1[13] = <posCamera>;
    VertexShaderConstant1[14] = { 0.5, 0.5, 0, 1 };
    VertexShaderConstant1[15] = { 0, 0, 0, 0 };
    VertexShaderConstant1[16] = { 0.25, 0.25, 0.25, 1 };
    VertexShader = decl { float v0[3]; float v3[3]; float v7[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m3x3 r1.xyz, v3, c0
    dp3 r1.w, r1, r1
    rsq r1.w, r1.w
    mul r1.xyz, r1, r1.w
    m4x4 oPos, r0, c4
    sub r2, r0, c13
    dp3 r2.w, r2, r2
    rsq r2.w, r2.w
    mul r2.xyz, r2, r2.w
    dp3 r3.x, r1, r2
    add r3.x, r3.x, r3.x
    mad r4.xyz, r1, -r3.x, r2
    m3x3 r5.xyz, r4, c8
    mad oT0.xy, r5, c14, c14
    mov oT1, v7
    mov oD0, c14.w
    };
  }
}
