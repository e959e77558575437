# Sourced by the benchmark scripts: nginx as a peer, one process with one
# worker, its files in a folder of the caller's.

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# nginx_conf <folder> <port> <http-lines> <server-lines>: writes
# <folder>/nginx.conf for a server on 127.0.0.1:<port>.
nginx_conf() {
  local work="$1" port="$2" http_lines="$3" server_lines="$4"
  cat >"$work/nginx.conf" <<CONF
daemon off;
master_process off;
worker_processes 1;
pid $work/nginx.pid;
error_log $work/nginx-error.log;
events { worker_connections 64; }
http {
  access_log off;
  $http_lines
  client_body_temp_path $work/client_body;
  proxy_temp_path $work/proxy;
  fastcgi_temp_path $work/fastcgi;
  uwsgi_temp_path $work/uwsgi;
  scgi_temp_path $work/scgi;
  server {
    listen 127.0.0.1:$port;
    $server_lines
  }
}
CONF
}
