// A family group: name, description, image, master and content counts.
#pragma once

#include <W/WMediaResource.h>
#include <W/WPerson.h>

namespace W {

class WGroup : public WResource {
 public:
  const STRING& getName() const { return m_name; }
  void setName(STRING v) { m_name = std::move(v); }
  const STRING& getDescription() const { return m_description; }
  void setDescription(STRING v) { m_description = std::move(v); }
  const WMediaResource& getImage() const { return m_image; }
  void setImage(WMediaResource v) { m_image = std::move(v); }
  const STRING& getImageUrl() const { return m_imageUrl; }
  void setImageUrl(STRING v) { m_imageUrl = std::move(v); }
  const WPerson& getMaster() const { return m_master; }
  bool hasMaster() const { return m_hasMaster; }
  void setMaster(const WPerson& v) {
    m_master = v;
    m_hasMaster = true;
  }
  int getTotalCount() const { return m_total; }
  void setTotalCount(int v) { m_total = v; }
  int getPhotoCount() const { return m_photo; }
  void setPhotoCount(int v) { m_photo = v; }
  int getVideoCount() const { return m_video; }
  void setVideoCount(int v) { m_video = v; }
  int getAudioCount() const { return m_audio; }
  void setAudioCount(int v) { m_audio = v; }
  int getCommentCount() const { return m_comment; }
  void setCommentCount(int v) { m_comment = v; }

 private:
  STRING m_name, m_description, m_imageUrl;
  WMediaResource m_image;
  WPerson m_master;
  bool m_hasMaster = false;
  int m_total = 0, m_photo = 0, m_video = 0, m_audio = 0, m_comment = 0;
};

}  // namespace W
