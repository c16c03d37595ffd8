TEXTURE tex;
TEXTURE lightmap;
MATRIX matWorld;
MATRIX matViewProj;
VECTOR vecLight1;
VECTOR vecLight2;
VECTOR vecLight3;
VECTOR vecVar1;
VECTOR vecVar2;
VECTOR vecVar3;
TECHNIQUE T0
{
  PASS P0
  {
    Texture[0] = <tex>;
    Texture[1] = <lightmap>;
    AlphaBlendEnable = False;
    VertexShaderConstant4[0] = <matWorld>;
    VertexShaderConstant4[4] = <matViewProj>;
    VertexShaderConstant1[8] = <vecLight1>;
    VertexShaderConstant1[9] = <vecLight2>;
    VertexShaderConstant1[10] = <vecLight3>;
    VertexShaderConstant1[11] = <vecVar1>;
    VertexShaderConstant1[12] = <vecVar2>;
    VertexShaderConstant1[13] = <vecVar3>;
    VertexShaderConstant1[15] = { 1, 1, 1, 1 };
    VertexShader = decl { float v0[3]; float v7[2]; float v8[2]; }
    asm {
    vs.1.1
    m4x4 r0, v0, c0
    m4x4 oPos, r0, c4
    sub r1, r0, c8
    dp3 r1.w, r1, r1
    rsq r1.w, r1.w
    mul r1.w, r1.w, c11.w
    mul r2, c11, r1.w
    sub r1, r0, c9
    dp3 r1.w, r1, r1
    rsq r1.w, r1.w
    mul r1.w, r1.w, c12.w
    mad r2, c12, r1.w, r2
    sub r1, r0, c10
    dp3 r1.w, r1, r1
    rsq r1.w, r1.w
    mul r1.w, r1.w, c13.w
    mad r2, c13, r1.w, r2
    min oD0, r2, c15
    mov oD0.w, c15.w
    mov oT0, v7
    mov oT1, v8
    };
    PixelShader = asm {
    ps.1.4
    texld r0, t0
    texld r1, t1
    add_sat r1, r1, v0
    mul r0, r0, r1
    };
  }
}
