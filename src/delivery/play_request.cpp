#include "delivery/play_request.h"

#include "delivery/cache_file_reader.h"
#include "delivery/play_request_manager.h"

CPlayRequest::CPlayRequest(CPlayRequestManager& manager) : manager_(manager) {}
CPlayRequest::~CPlayRequest() = default;
void CPlayRequest::SetComplete(bool complete) { complete_ = complete; }
void CPlayRequest::SetContentLength(std::int64_t) {}
void CPlayRequest::AttachCacheFile(const std::string&) {}
void CPlayRequest::PushData(const char*, std::size_t) {}
void CPlayRequest::EndRequest() {}
void CPlayRequest::OnReceive() {}
void CPlayRequest::OnSend() {}
void CPlayRequest::OnClose() {}
bool CPlayRequest::ParseRequest(const std::string&) { return false; }
void CPlayRequest::MoveLiveDataToFile() {}
