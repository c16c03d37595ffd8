TEXTURE tex;
TEXTURE lightmap;
TEXTURE vectors;
DWORD bump = 1;
DWORD transparent = 0;
MATRIX matWorld;
MATRIX matViewProj;
TECHNIQUE T0
{
  PASS P0
  {
    Texture[0] = <tex>;
    Texture[1] = <lightmap>;
    Texture[2] = <vectors>;
    ColorOp[0] = Modulate;
    ColorArg1[0] = Texture;
    ColorArg2[0] = Diffuse;
    AlphaOp[0] = SelectArg1;
    AlphaArg1[0] = Texture;
    ColorOp[1] = Modulate;
    ColorArg1[1] = Texture;
    ColorArg2[1] = Current;
    AlphaOp[1] = SelectArg2;
    AlphaArg2[1] = Current;
    ColorOp[2] = <bump>;
    ColorArg1[2] = Texture;
    ColorArg2[2] = Current;
    AlphaOp[2] = Disable;
    ColorOp[3] = Disable;
    AlphaBlendEnable = <transparent>;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant1[8] = { 1, 1, 1, 1 };
    VertexShader = decl { float v0[3]; float v7[2]; float v8[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m4x4 oPos, r0, c4
    mov oD0, c8
    mov oT0, v7
    mov oT1, v8
    mov oT2, v7
    };
  }
}
TECHNIQUE T1
{
  PASS P0
  {
    Texture[0] = <tex>;
    ColorOp[0] = Modulate;
    ColorArg1[0] = Texture;
    ColorArg2[0] = Diffuse;
    AlphaOp[0] = SelectArg1;
    AlphaArg1[0] = Texture;
    ColorOp[1] = Disable;
    AlphaOp[1] = Disable;
    AlphaBlendEnable = <transparent>;
    SrcBlend = SrcAlpha;
    DestBlend = InvSrcAlpha;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant1[8] = { 1, 1, 1, 1 };
    VertexShader = decl { float v0[3]; float v7[2]; float v8[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m4x4 oPos, r0, c4
    mov oD0, c8
    mov oT0, v7
    mov oT1, v8
    mov oT2, v7
    };
  }
  PASS P1
  {
    Texture[0] = <lightmap>;
    TexCoordIndex[0] = 1;
    ColorOp[0] = SelectArg1;
    ColorArg1[0] = Texture;
    AlphaOp[0] = SelectArg1;
    AlphaArg1[0] = Texture;
    ColorOp[1] = Disable;
    AlphaOp[1] = Disable;
    AlphaBlendEnable = True;
    SrcBlend = DestColor;
    DestBlend = Zero;
    ZFunc = Equal;
    ZWriteEnable = False;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant1[8] = { 1, 1, 1, 1 };
    VertexShader = decl { float v0[3]; float v7[2]; float v8[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m4x4 oPos, r0, c4
    mov oD0, c8
    mov oT0, v7
    mov oT1, v8
    mov oT2, v7
    };
  }
}
