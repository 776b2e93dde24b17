untrusted comment: verify with s.pub
RWTBw4QuFkbJOJaPIQBuYiN8y+3wl+Aae4vl/o42SrvJEiLRv04MCxJm4USmG7CBZknA0upSnlRmlJgxm/wD8hW+2c2rXM3xqgQ=
