// The player page: plays what the program hands it (always an http URL of
// the program's loopback play server) and speaks the program's player
// protocol. Calls arrive as invoke XML through CallFunction; events go back
// as FSCommand(command, args) over the web channel.
'use strict';

var video = document.getElementById('video');
var statusLine = document.getElementById('status');
var lightLayer = document.getElementById('light');

var bridge = null;          // the program's object, once the channel is up
var pending = [];           // events sent before that
var flvPlayer = null;       // mpegts.js player of an FLV, if one plays
var hlsPlayer = null;       // hls.js player of an HLS stream, if one plays
var dashPlayer = null;      // dash.js player of a DASH stream, if one plays
var texts = { station: '', connect: '' };
var totalBytes = 0;         // told by SetVideoBytes
var lastProcess = '';
var lastLoaded = '';
var started = false;
var over = false;          // the end of the current video was reported
var playGeneration = 0;     // a newer PlayVideo or StopVideo makes older replies void

// The page's texts in the program's language (the program injects
// QueltTr; written in Chinese, they stay so without it).
function tr(chinese) {
  return window.QueltTr ? window.QueltTr(chinese) : chinese;
}

function fsCommand(command, args) {
  if (bridge) bridge.fsCommand(command, String(args));
  else pending.push([command, String(args)]);
}

new QWebChannel(qt.webChannelTransport, function (channel) {
  bridge = channel.objects.bridge;
  pending.forEach(function (e) { bridge.fsCommand(e[0], e[1]); });
  pending = [];
  bridge.pageReady();
});

function showStatus(text) { statusLine.textContent = text; }

function stop() {
  ++playGeneration;
  if (flvPlayer) {
    flvPlayer.pause();
    flvPlayer.unload();
    flvPlayer.detachMediaElement();
    flvPlayer.destroy();
    flvPlayer = null;
  }
  if (hlsPlayer) {
    hlsPlayer.destroy();
    hlsPlayer = null;
  }
  if (dashPlayer) {
    dashPlayer.reset();
    dashPlayer = null;
  }
  // Resetting an element that holds nothing would only cost time.
  if (video.getAttribute('src') || video.currentSrc) {
    video.pause();
    video.removeAttribute('src');
    video.load();
  }
  started = false;
  over = false;
  lastProcess = lastLoaded = '';
  totalBytes = 0;
  showStatus('');
}

// One request tells the type (the play server names it) and, for an FLV,
// the codecs: the first video tag's codec id (7 is H.264) and the first
// audio tag's format (2 MP3, 10 AAC), -1 for a track the file lacks.
// Resolves to { flv, video, audio }.
function probe(url) {
  var wanted = 256 * 1024, bytes = new Uint8Array(0);
  function parse() {
    var codecs = { flv: true, video: -1, audio: -1, done: false };
    if (bytes.length < 13) return codecs;
    var hasAudio = (bytes[4] & 4) !== 0, hasVideo = (bytes[4] & 1) !== 0;
    var at = ((bytes[5] << 24) | (bytes[6] << 16) | (bytes[7] << 8) | bytes[8]) + 4;
    while (at + 12 <= bytes.length && ((hasVideo && codecs.video < 0) || (hasAudio && codecs.audio < 0))) {
      var type = bytes[at] & 0x1f, size = (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
      if (type === 9 && codecs.video < 0) codecs.video = bytes[at + 11] & 0x0f;
      if (type === 8 && codecs.audio < 0) codecs.audio = bytes[at + 11] >> 4;
      at += 11 + size + 4;
    }
    codecs.done = !(hasVideo && codecs.video < 0) && !(hasAudio && codecs.audio < 0);
    return codecs;
  }
  return fetch(url, { headers: { Range: 'bytes=0-' + (wanted - 1) } }).then(function (answer) {
    var reader = answer.body.getReader();
    var type = answer.headers.get('Content-Type') || '';
    if (type && type.indexOf('flv') < 0) {
      reader.cancel();
      return { flv: false };
    }
    function pump() {
      return reader.read().then(function (step) {
        if (!step.done) {
          var joined = new Uint8Array(bytes.length + step.value.length);
          joined.set(bytes);
          joined.set(step.value, bytes.length);
          bytes = joined;
        }
        // Without a type the first bytes decide: "FLV" or something else.
        if (!type && bytes.length >= 3 && String.fromCharCode(bytes[0], bytes[1], bytes[2]) !== 'FLV') {
          reader.cancel();
          return { flv: false };
        }
        var codecs = parse();
        if (step.done || codecs.done || bytes.length >= wanted) {
          reader.cancel();
          return codecs;
        }
        return pump();
      });
    }
    return pump();
  });
}

function playFlv(url) {
  flvPlayer = mpegts.createPlayer({ type: 'flv', isLive: false, url: url },
                                  { enableWorker: false, seekType: 'range', lazyLoad: false });
  flvPlayer.on(mpegts.Events.ERROR, function (type, detail) { showStatus(type + ': ' + detail); });
  flvPlayer.attachMediaElement(video);
  flvPlayer.load();
  startPlaying();
}

// How much of an HLS or DASH stream the page keeps in its media buffers, in
// seconds: behind the playing position, ahead of it, and the most hls.js may
// buffer ahead of a stream of low bit rate (600 s by default). Played media
// is dropped: a seek back asks the play server again, which answers from the
// cache on disk. Without these bounds the page grew with the stream's length.
var BACK_BUFFER_SECONDS = 30;
var FORWARD_BUFFER_SECONDS = 30;
var MAX_FORWARD_BUFFER_SECONDS = 60;

// An HLS stream: the play server hands a playlist whose segments it serves
// from the cache, so hls.js seeks by asking for the segment of that time and
// a cached stream plays again without the site.
function playHls(url) {
  hlsPlayer = new Hls({ enableWorker: false, startLevel: 0, capLevelToPlayerSize: false,
                        backBufferLength: BACK_BUFFER_SECONDS, maxBufferLength: FORWARD_BUFFER_SECONDS,
                        maxMaxBufferLength: MAX_FORWARD_BUFFER_SECONDS });
  hlsPlayer.on(Hls.Events.ERROR, function (event, data) {
    if (data.fatal) {
      showStatus(tr('无法播放此视频'));
      fsCommand('OnSetStatus', tr('无法播放此视频'));
    }
  });
  hlsPlayer.loadSource(url);
  hlsPlayer.attachMedia(video);
  startPlaying();
}

// A DASH stream: the play server hands a manifest of the chosen
// representations whose segments it serves from the cache, as for HLS.
function playDash(url) {
  dashPlayer = dashjs.MediaPlayer().create();
  dashPlayer.updateSettings({
    debug: { logLevel: dashjs.Debug.LOG_LEVEL_NONE },
    streaming: { buffer: { bufferToKeep: BACK_BUFFER_SECONDS, bufferPruningInterval: 10,
                           bufferTimeAtTopQuality: FORWARD_BUFFER_SECONDS,
                           bufferTimeAtTopQualityLongForm: MAX_FORWARD_BUFFER_SECONDS } }
  });
  dashPlayer.on(dashjs.MediaPlayer.events.ERROR, function () {
    showStatus(tr('无法播放此视频'));
    fsCommand('OnSetStatus', tr('无法播放此视频'));
  });
  dashPlayer.on(dashjs.MediaPlayer.events.PLAYBACK_ENDED, reportPlayOver);
  dashPlayer.initialize(video, url, true);
  startPlaying();
}

// A manifest of the play server: its text tells HLS from DASH.
function playManifest(url, generation) {
  fetch(url).then(function (answer) { return answer.text(); }).then(function (text) {
    if (generation !== playGeneration) return;
    if (/^\s*(\uFEFF)?#EXTM3U/.test(text)) {
      if (window.Hls && Hls.isSupported()) playHls(url);
      else showStatus(tr('无法播放此视频'));
    } else if (text.indexOf('<MPD') >= 0 && window.dashjs) {
      playDash(url);
    } else {
      showStatus(tr('无法播放此视频'));
    }
  }, function () {
    if (generation === playGeneration) showStatus(tr('无法播放此视频'));
  });
}

function startPlaying() {
  var attempt = video.play();
  if (attempt && attempt.catch) attempt.catch(function () {});
}

// The play server names the type. An FLV with H.264 (and AAC or MP3) goes
// through mpegts.js with range seeking; an older FLV is converted by the
// program, which hands back the address of an H.264 stream; anything else
// goes to the video element itself.
// The program names what a file it has whole holds in the address's
// fragment ("#type=mp4", "flv-h264", "flv-other"), and "#type=manifest" an
// HLS or DASH manifest; otherwise the page looks.
function knownKind(url) {
  var match = /#type=([a-z0-9-]+)$/.exec(url);
  if (!match) return null;
  if (match[1] === 'manifest') return { manifest: true };
  return { flv: match[1] !== 'mp4', video: match[1] === 'flv-other' ? 2 : 7, audio: -1 };
}

function play(url) {
  stop();
  var generation = ++playGeneration;
  showStatus(texts.connect);
  var known = knownKind(url);
  url = url.replace(/#.*$/, '');
  (known ? Promise.resolve(known) : probe(url)).then(function (found) {
    if (generation !== playGeneration) return;
    if (found.manifest) {
      playManifest(url, generation);
      return;
    }
    if (!found.flv || !window.mpegts || !mpegts.isSupported()) {
      video.src = url;
      startPlaying();
      return;
    }
    var decodable = (found.video < 0 || found.video === 7) && (found.audio < 0 || found.audio === 2 || found.audio === 10);
    if (decodable || !bridge) {
      playFlv(url);
      return;
    }
    bridge.transcode(url, function (converted) {
      if (generation !== playGeneration) return;
      if (converted) playFlv(converted);
      else showStatus(tr('无法播放此视频：需要 ffmpeg 转换'));
    });
  }, function () {
    if (generation !== playGeneration) return;
    video.src = url;
    startPlaying();
  });
}

function loadedFraction() {
  if (!video.duration || !isFinite(video.duration)) return 0;
  var end = 0;
  for (var i = 0; i < video.buffered.length; i++) end = Math.max(end, video.buffered.end(i));
  return Math.min(1, end / video.duration);
}

function reportProgress() {
  var total = isFinite(video.duration) ? Math.floor(video.duration) : 0;
  var process = Math.floor(video.currentTime) + '/' + total;
  if (process !== lastProcess) {
    lastProcess = process;
    fsCommand('VideoProcess', process);
  }
  if (totalBytes > 0) {
    var loaded = Math.floor(loadedFraction() * totalBytes) + '/' + totalBytes;
    if (loaded !== lastLoaded) {
      lastLoaded = loaded;
      fsCommand('LoadByteProcess', loaded);
    }
  }
}

video.addEventListener('playing', function () {
  showStatus('');
  if (!started) {
    started = true;
    fsCommand('OnStatus', 'NetStream.Play.Start');
  }
});
video.addEventListener('waiting', function () { if (started) showStatus(tr('正在缓冲...')); });
video.addEventListener('timeupdate', reportProgress);
video.addEventListener('progress', reportProgress);
// The end is reported once per video: by the element's "ended", by dash.js
// when it finished a stream, or when playback stalls within a few frames of
// the end (a stream whose last audio and video sections end a little apart
// never sends "ended").
function reportPlayOver() {
  if (over || !started) return;
  over = true;
  reportProgress();
  fsCommand('OnStatus', 'NetStream.Play.Stop VideoPlayOver');
}
function atTheEnd() {
  return isFinite(video.duration) && video.duration > 0 && video.currentTime >= video.duration - 0.3;
}
var stallAtEndTimer = null;
video.addEventListener('waiting', function () {
  if (!atTheEnd()) return;
  clearTimeout(stallAtEndTimer);
  stallAtEndTimer = setTimeout(function () { if (atTheEnd() && !video.paused) reportPlayOver(); }, 1000);
});
video.addEventListener('ended', reportPlayOver);
video.addEventListener('error', function () {
  if (video.getAttribute('src')) {
    showStatus(tr('无法播放此视频'));
    fsCommand('OnSetStatus', tr('无法播放此视频'));
  }
});
// The picture answers the mouse as the old player did: a click pauses or
// plays, a double click asks for full screen, the wheel sets the volume.
var clickTimer = null;
video.addEventListener('click', function () {
  if (clickTimer) return;
  clickTimer = setTimeout(function () {
    clickTimer = null;
    if (!video.currentSrc && !flvPlayer && !hlsPlayer && !dashPlayer) return;
    if (video.paused) video.play(); else video.pause();
    fsCommand('PauseVideo', 'true');
  }, 250);
});
video.addEventListener('dblclick', function () {
  clearTimeout(clickTimer);
  clickTimer = null;
  fsCommand('OnFullScreen', 'true');
});
video.addEventListener('wheel', function (event) {
  event.preventDefault();
  var volume = Math.round((video.muted ? 0 : video.volume) * 100) + (event.deltaY < 0 ? 5 : -5);
  volume = Math.max(0, Math.min(100, volume));
  functions.SetVideoVolume(String(volume));
  fsCommand('OnVolProcess', String(volume));
}, { passive: false });

function clampPercent(text) {
  var value = parseInt(text, 10);
  return isNaN(value) ? 0 : Math.max(0, Math.min(100, value));
}

// The functions the program calls, each with its one string argument.
var functions = {
  PlayVideo: function (url) { play(url); },
  StopVideo: function () { stop(); },
  PauseVideo: function () {
    if (video.paused) video.play(); else video.pause();
    fsCommand('OnStatus', 'Our.Pause');
  },
  IsPause: function () { return video.paused ? 'true' : 'false'; },
  StartCaptureScreen: function () { fsCommand('StartCaptureScreen', 'true'); },
  SetVideoVolume: function (value) { var v = clampPercent(value); video.volume = v / 100; video.muted = v === 0; },
  // The volume as SetVideoVolume takes it (0 while muted); for the program's checks.
  GetVideoVolume: function () { return String(video.muted ? 0 : Math.round(video.volume * 100)); },
  SetVideoLight: function (value) { lightLayer.style.opacity = String((100 - clampPercent(value)) / 100 * 0.85); },
  SetVideoProcess: function (value) {
    if (video.duration && isFinite(video.duration)) video.currentTime = video.duration * clampPercent(value) / 100;
  },
  SetStyle: function (value) { document.body.classList.toggle('compact', value === '3'); },
  SetWideScreenMode: function (value) { video.classList.toggle('wide', value === 'true'); },
  SetVideoDuration: function () {},
  SetVideoBytes: function (value) { var n = Number(value); totalBytes = isFinite(n) && n > 0 ? Math.round(n) : 0; },
  SetConnectStatus: function (text) { texts.connect = text; if (!started) showStatus(text); },
  SetWebStationName: function (text) { texts.station = text; }
};

// <invoke name="NAME" returntype="xml"><arguments><string>ARG</string></arguments></invoke>
// The argument comes unescaped, so it is cut out as text rather than parsed.
function CallFunction(request) {
  var name = /<invoke name="([^"]*)"/.exec(request);
  var open = '<arguments><string>', close = '</string></arguments></invoke>';
  var from = request.indexOf(open), to = request.lastIndexOf(close);
  if (!name || from < 0 || to < from || !functions.hasOwnProperty(name[1])) return '<undefined/>';
  var result = functions[name[1]](request.substring(from + open.length, to));
  return result === undefined ? '<undefined/>' : '<string>' + result + '</string>';
}
window.CallFunction = CallFunction;
