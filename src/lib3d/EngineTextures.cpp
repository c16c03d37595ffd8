// The 1024 texture slots: creation from 32-bit pixels, picture files,
// release by slot or owner tag, binding to the two texture stages.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "image/PictureFile.h"
#include "lib3d/Engine.h"
#include "lib3d/TextureImage.h"

namespace lib3d {
namespace {

const device::Format kSlotFormats[3] = {device::FormatR5G6B5, device::FormatX1R5G5B5,
                                        device::FormatA4R4G4B4};

int FreeSlot(const TextureSlot *slots, int count) {
    for (int i = 0; i < count; i++) {
        if (!slots[i].inUse) return i;
    }
    return -1;
}

}  // namespace

int Engine::CreateTexture(int size, const uint8_t *pixels, int sourceWidth, bool hasAlpha) {
    const int index = FreeSlot(slots, kTextureSlots);
    if (index < 0) return -1;
    TextureSlot &slot = slots[index];
    slot = TextureSlot();
    slot.inUse = true;
    slot.dirty = true;
    if (maxTextureWidth > 0 && size > maxTextureWidth) size = maxTextureWidth;
    if (size < 1) size = 1;
    slot.size = size;
    slot.clamp = flagClamp ? 1 : 0;
    slot.mipmapped = flagMipmap ? 1 : 0;
    slot.ownerTag = ownerTag;
    const int levels = slot.mipmapped ? MipLevelCount(size) : 1;

    for (int f = hasAlpha ? 2 : 0; f < 3 && device_ && !slot.texture; f++) {
        slot.texture = device_->CreateTexture(size, levels, kSlotFormats[f]);
        slot.formatIndex = f;
    }
    if (!slot.texture) {
        char line[80];
        std::snprintf(line, sizeof(line), "CreateTexture %d failed for slot %d", size, index);
        Log(line);
        return index;  // the slot stays taken, without a texture
    }

    std::vector<uint8_t> image, next;
    ResampleSquare(pixels, sourceWidth, size, &image);
    const device::Format format = kSlotFormats[slot.formatIndex];
    int side = size;
    for (int level = 0; level < levels; level++) {
        int pitch = 0;
        uint16_t *words = slot.texture->LockRect(level, &pitch);
        if (words) PackImage(image, side, format, flagDither, words, pitch / 2);
        slot.texture->UnlockRect(level);
        if (level + 1 < levels) {
            HalveImage(image, side, &next);
            image.swap(next);
            side = std::max(1, side / 2);
        }
    }
    return index;
}

int Engine::LoadTexture(const char *path) {
    Image picture;
    bool hasAlpha = false;
    if (!ReadPicture(path, &picture, &hasAlpha)) {
        std::fprintf(stderr, "Texture not found : %s\n", path ? path : "");
        return -1;
    }
    // The picture is taken as a square as wide as it is. A picture shorter
    // than wide gets black rows below, rather than rows read past its end.
    const int side = picture.width;
    std::vector<uint8_t> pixels(static_cast<size_t>(side) * side * 4, 0);
    const int rows = std::min(side, picture.height);
    std::memcpy(pixels.data(), picture.pixels.data(), static_cast<size_t>(rows) * side * 4);
    SetState(TextureCreation::Wrap);  // picture textures tile
    return CreateTexture(side, pixels.data(), side, hasAlpha);
}

void Engine::ReleaseTexture(int slot) {
    if (slot < 0 || slot >= kTextureSlots || !slots[slot].inUse) return;
    slots[slot] = TextureSlot();
    if (pointerTexture == slot) pointerTexture = -1;
}

void Engine::ReleaseTextures() {
    for (int i = 0; i < kTextureSlots; i++) {
        if (slots[i].inUse && (ownerTag == 0 || slots[i].ownerTag == ownerTag)) ReleaseTexture(i);
    }
}

SlotMaterial *Engine::TextureMaterial(int slot) {
    if (slot < 0 || slot >= kTextureSlots || !slots[slot].inUse) return nullptr;
    if (!slots[slot].material) slots[slot].material.reset(new SlotMaterial());
    return slots[slot].material.get();
}

void Engine::ApplyMaterial(const SlotMaterial &material) {
    if (!device_) return;
    device::Material m;
    m.diffuse = device::Colour{material.diffuse[0], material.diffuse[1], material.diffuse[2],
                               material.diffuse[3]};
    m.ambient = device::Colour{material.ambient[0], material.ambient[1], material.ambient[2],
                               material.ambient[3]};
    m.specular = device::Colour{material.specular[0], material.specular[1], material.specular[2],
                                material.specular[3]};
    m.power = material.power;
    device_->SetMaterial(m);
}

const TextureSlot *Engine::Slot(int slot) const {
    if (slot < 0 || slot >= kTextureSlots) return nullptr;
    return &slots[slot];
}

void Engine::BindTexture(int slot) {
    BindStage(0, slot);
}

void Engine::BindTexture1(int slot) {
    BindStage(1, slot);
}

void Engine::BindStage(int stage, int slot) {
    using namespace device;
    if (!device_) return;
    if (slot < 0) {
        // Render-target textures are bound clamped, linear, without mip levels.
        device::RenderTarget *target = RenderTargetAt(-1 - slot);
        device_->SetTexture(stage, target ? target->GetTexture() : nullptr);
        device_->SetTextureStageState(stage, TssAddressU, AddressClamp);
        device_->SetTextureStageState(stage, TssAddressV, AddressClamp);
        device_->SetTextureStageState(stage, TssMagFilter, FilterLinear);
        device_->SetTextureStageState(stage, TssMinFilter, FilterLinear);
        device_->SetTextureStageState(stage, TssMipFilter, FilterNone);
        return;
    }
    if (slot >= kTextureSlots || !slots[slot].inUse || !slots[slot].texture) {
        device_->SetTexture(stage, nullptr);
        return;
    }
    const TextureSlot &s = slots[slot];
    device_->SetTexture(stage, s.texture.get());
    const uint32_t address = s.clamp ? AddressClamp : AddressWrap;
    device_->SetTextureStageState(stage, TssAddressU, address);
    device_->SetTextureStageState(stage, TssAddressV, address);
    device_->SetTextureStageState(stage, TssMipFilter, s.mipmapped ? FilterLinear : FilterNone);
}

uint16_t *Engine::LockTexture(int slot, int *pitchBytes) {
    if (slot < 0 || slot >= kTextureSlots || !slots[slot].texture) return nullptr;
    return slots[slot].texture->LockRect(0, pitchBytes, true);
}

void Engine::UnlockTexture(int slot, const device::Rect &changed) {
    if (slot < 0 || slot >= kTextureSlots || !slots[slot].texture) return;
    slots[slot].texture->UnlockRect(0);
    slots[slot].dirty = true;
    slots[slot].dirtyRects.push_back(changed);
}

}  // namespace lib3d
